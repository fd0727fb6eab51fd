#include "serial/network/PeerCertificate.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <memory>
#include <vector>

namespace serial::network {

namespace {

bool isAddress(const std::string& host)
{
    unsigned char buffer[16];
    return ::inet_pton(AF_INET, host.c_str(), buffer) == 1 || ::inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// The DNS and IP names of the subject alternative names, else the common name.
std::string namesOf(X509* cert)
{
    std::vector<std::string> names;
    auto* general = static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(cert, NID_subject_alt_name, nullptr, nullptr));
    for (int i = 0; general && i < sk_GENERAL_NAME_num(general); ++i) {
        const GENERAL_NAME* name = sk_GENERAL_NAME_value(general, i);
        if (name->type == GEN_DNS) {
            const ASN1_STRING* text = name->d.dNSName;
            names.emplace_back(reinterpret_cast<const char*>(ASN1_STRING_get0_data(text)),
                               static_cast<size_t>(ASN1_STRING_length(text)));
        } else if (name->type == GEN_IPADD) {
            const ASN1_OCTET_STRING* raw = name->d.iPAddress;
            char text[INET6_ADDRSTRLEN] = {};
            const int family = ASN1_STRING_length(raw) == 4 ? AF_INET : AF_INET6;
            if (::inet_ntop(family, ASN1_STRING_get0_data(raw), text, sizeof text))
                names.emplace_back(text);
        }
    }
    GENERAL_NAMES_free(general);
    if (names.empty()) {
        char common[256] = {};
        if (X509_NAME_get_text_by_NID(X509_get_subject_name(cert), NID_commonName, common, sizeof common) > 0)
            names.emplace_back(common);
    }
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : ", ") + names[i];
    return text.empty() ? "no name at all" : text;
}

} // namespace

std::string certificateHostProblem(std::string_view pem, const std::string& host)
{
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), &BIO_free);
    std::unique_ptr<X509, decltype(&X509_free)> cert(bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr,
                                                    &X509_free);
    if (!cert)
        return "the server's certificate cannot be read";
    const bool matches = isAddress(host) ? X509_check_ip_asc(cert.get(), host.c_str(), 0) == 1
                                         : X509_check_host(cert.get(), host.data(), host.size(), 0, nullptr) == 1;
    if (matches)
        return {};
    return "the server's certificate is for " + namesOf(cert.get()) + ", not for " + host;
}

} // namespace serial::network
