// A certificate authority of a test's own and a server certificate it signed, made with the
// openssl command line, for HTTPS servers on loopback.
#pragma once

#include <string>
#include <vector>

struct TestCertificates {
    std::string caFile;          // the authority's certificate (PEM), for the client to trust
    std::string certificateFile; // the server's certificate (PEM)
    std::string keyFile;         // the server's private key (PEM)
    bool made = false;
};

// Makes a new CA and a server certificate for the subjectAltName entries (such as
// "IP:127.0.0.1" or "DNS:localhost") in the directory. made is false when openssl failed;
// its output is then in directory + "/openssl.log".
TestCertificates MakeTestCertificates(const std::string& directory,
                                      const std::vector<std::string>& altNames);
