#pragma once
// Test certificates made with openssl(1) in a folder of their own, removed afterwards.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// A site CA, server certificates from it for 127.0.0.1, for another host and an expired one, and
// a second CA.
struct TestCertificates {
    std::string dir = "/tmp/hoistwise-tls-" + std::to_string(::getpid());
    TestCertificates()
    {
        const std::string script = "set -e; mkdir -p " + dir + "; cd " + dir + "\n"
            "ca() { openssl req -x509 -newkey rsa:2048 -nodes -keyout $1.key -out $1.pem -days 2 -subj \"/CN=$1\"; }\n"
            "server() { openssl req -newkey rsa:2048 -nodes -keyout $1.key -out $1.csr -subj \"/CN=$2\"\n"
            "  echo \"subjectAltName=$3\" > $1.ext\n"
            "  openssl x509 -req -in $1.csr -CA site-ca.pem -CAkey site-ca.key -CAcreateserial -out $1.pem -days $4 -extfile $1.ext; }\n"
            "ca site-ca; ca other-ca\n"
            "server here 127.0.0.1 IP:127.0.0.1 2\n"
            "server elsewhere mr9.example DNS:mr9.example 2\n"
            "server expired 127.0.0.1 IP:127.0.0.1 -1\n";
        made = std::system(("(" + script + ") >/dev/null 2>&1").c_str()) == 0;
    }
    ~TestCertificates() { std::filesystem::remove_all(dir); }
    // `options`: more of the ssl accepter's, ",clientauth" and the like.
    std::string ssl(const std::string& name, const std::string& options = "") const
    {
        return "telnet(rfc2217),ssl(key=" + dir + "/" + name + ".key,cert=" + dir + "/" + name + ".pem" + options + ")";
    }
    bool made = false;
};
