// The certificate files of a TLS mapping, looked at before anything connects: one answer per
// fault, naming the option and the file, and never a wait on a FIFO.
#include "serial/network/CertificateFiles.h"
#include "tests/support/TestCertificates.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(CertificateFiles, EachFaultIsNamedWithItsOptionAndFile)
{
    const TestCertificates certs;
    ASSERT_TRUE(certs.made) << "openssl could not make the test certificates";
    const std::string d = certs.dir + "/";
    ASSERT_EQ(::mkfifo((d + "fifo").c_str(), 0600), 0);
    const struct {
        std::string query;
        std::string problem;   // empty: the files will do
    } rows[] = {
        {"ca=" + d + "site-ca.pem&cert=" + d + "here.pem&key=" + d + "here.key", ""},
        {"ca=" + certs.dir, ""},
        {"ca=" + d + "missing.pem", "ca=" + d + "missing.pem: No such file or directory"},
        {"ca=/dev/zero", "ca=/dev/zero: is a character device, not a file"},
        {"ca=" + d + "fifo", "ca=" + d + "fifo: is a FIFO, not a file"},
        {"ca=" + d + "here.csr", "ca=" + d + "here.csr: holds no certificate"},
        {"cert=" + d + "here.csr&key=" + d + "here.key", "cert=" + d + "here.csr: holds no certificate"},
        {"cert=" + d + "here.pem&key=" + d + "here.pem", "key=" + d + "here.pem: holds no private key"},
        {"cert=" + d + "here.pem&key=" + d + "elsewhere.key",
         "key=" + d + "elsewhere.key is not the key of cert=" + d + "here.pem"},
    };
    for (const auto& row : rows) {
        serial::NetworkEndpoint endpoint;
        ASSERT_FALSE(serial::NetworkEndpoint::parse("rfc2217s://mr3:3001?" + row.query, endpoint)) << row.query;
        const auto problem = serial::network::certificateFilesProblem(endpoint);
        if (row.problem.empty())
            EXPECT_FALSE(problem) << *problem;
        else
            EXPECT_EQ(problem.value_or("").substr(0, row.problem.size()), row.problem) << row.query;
    }
}
