#include "serial/network/CertificateFiles.h"

#include "serial/OutsideText.h"
#include "serial/RegularFile.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace serial::network {

namespace {

// Certificates and keys are a few kilobytes; a CA bundle a few hundred.
constexpr long long kLargestFile = 4 << 20;

struct Loaded {
    std::string text;
    std::string problem;
};

Loaded load(const std::string& option, const std::string& path)
{
    const std::string named = option + "=" + printable(path) + ": ";
    const RegularFile file = openRegularFile(path);
    if (file.fd < 0)
        return {{}, named + file.problem};
    std::string text;
    char buffer[8192];
    ssize_t got = 0;
    while ((got = ::read(file.fd, buffer, sizeof buffer)) > 0 && static_cast<long long>(text.size()) <= kLargestFile)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(file.fd);
    if (got < 0)
        return {{}, named + "cannot be read"};
    if (static_cast<long long>(text.size()) > kLargestFile)
        return {{}, named + "is far larger than a certificate or key"};
    return {std::move(text), {}};
}

using Bio = std::unique_ptr<BIO, decltype(&BIO_free)>;
Bio memory(const std::string& text)
{
    return Bio(BIO_new_mem_buf(text.data(), static_cast<int>(text.size())), &BIO_free);
}

std::unique_ptr<X509, decltype(&X509_free)> certificateIn(const std::string& text)
{
    Bio bio = memory(text);
    return {PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr), &X509_free};
}

// No passphrase is asked for: a key that needs one cannot be used unattended.
int noPassphrase(char*, int, int, void*) { return 0; }

std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> keyIn(const std::string& text)
{
    Bio bio = memory(text);
    return {PEM_read_bio_PrivateKey(bio.get(), nullptr, &noPassphrase, nullptr), &EVP_PKEY_free};
}

bool isFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::optional<std::string> certificateFilesProblem(const NetworkEndpoint& endpoint)
{
    // What the parsing leaves behind in OpenSSL's error queue is nobody's business later.
    struct ClearErrors { ~ClearErrors() { ERR_clear_error(); } } clear;
    if (!endpoint.ca.empty() && !isFolder(endpoint.ca)) {
        const Loaded ca = load("ca", endpoint.ca);
        if (!ca.problem.empty())
            return ca.problem;
        if (!certificateIn(ca.text))
            return "ca=" + printable(endpoint.ca) + ": holds no certificate (PEM, \"BEGIN CERTIFICATE\")";
    }
    if (endpoint.cert.empty())
        return std::nullopt;
    const Loaded cert = load("cert", endpoint.cert);
    if (!cert.problem.empty())
        return cert.problem;
    const Loaded key = load("key", endpoint.key);
    if (!key.problem.empty())
        return key.problem;
    const auto certificate = certificateIn(cert.text);
    if (!certificate)
        return "cert=" + printable(endpoint.cert) + ": holds no certificate (PEM, \"BEGIN CERTIFICATE\")";
    const auto privateKey = keyIn(key.text);
    if (!privateKey)
        return "key=" + printable(endpoint.key) + ": holds no private key that can be read without a passphrase (PEM)";
    if (X509_check_private_key(certificate.get(), privateKey.get()) != 1)
        return "key=" + printable(endpoint.key) + " is not the key of cert=" + printable(endpoint.cert);
    return std::nullopt;
}

} // namespace serial::network
