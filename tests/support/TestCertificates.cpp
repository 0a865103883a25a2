// Generating a test CA and a server certificate with /usr/bin/openssl (EC P-256 keys,
// which are quick to make; valid for two days).
#include "TestCertificates.h"

#include "ChildProcess.h"

#include <fstream>

namespace {

const std::string kOpenssl = "/usr/bin/openssl";

std::string Join(const std::vector<std::string>& items, const char* separator) {
    std::string joined;
    for (const std::string& item : items)
        joined += (joined.empty() ? "" : separator) + item;
    return joined;
}

bool WriteConfig(const std::string& path, const std::string& commonName,
                 const std::vector<std::string>& altNames) {
    std::ofstream config(path);
    config << "[req]\ndistinguished_name = dn\nprompt = no\n"
           << "[dn]\nCN = " << commonName << "\n"
           << "[ca_ext]\nbasicConstraints = critical,CA:TRUE\n"
           << "keyUsage = critical,keyCertSign,cRLSign\nsubjectKeyIdentifier = hash\n"
           << "[server_ext]\nbasicConstraints = CA:FALSE\n"
           << "keyUsage = critical,digitalSignature,keyEncipherment\n"
           << "extendedKeyUsage = serverAuth\nsubjectKeyIdentifier = hash\n"
           << "authorityKeyIdentifier = keyid\n"
           << "subjectAltName = " << Join(altNames, ",") << "\n";
    return static_cast<bool>(config);
}

} // namespace

TestCertificates MakeTestCertificates(const std::string& directory,
                                      const std::vector<std::string>& altNames) {
    TestCertificates made;
    std::string caConfig = directory + "/ca.cnf";
    std::string serverConfig = directory + "/server.cnf";
    std::string caKey = directory + "/ca.key";
    std::string request = directory + "/server.csr";
    std::string log = directory + "/openssl.log";
    made.caFile = directory + "/ca.pem";
    made.certificateFile = directory + "/server.pem";
    made.keyFile = directory + "/server.key";
    if (!WriteConfig(caConfig, "Quandrel Test CA", altNames) ||
        !WriteConfig(serverConfig, "localhost", altNames))
        return made;
    const std::vector<std::string> newKey = {"-newkey", "ec", "-pkeyopt",
                                             "ec_paramgen_curve:prime256v1", "-nodes"};
    std::vector<std::string> makeCa = {kOpenssl,      "req",    "-x509", "-config", caConfig,
                                       "-extensions", "ca_ext", "-days", "2"};
    makeCa.insert(makeCa.end(), newKey.begin(), newKey.end());
    makeCa.insert(makeCa.end(), {"-keyout", caKey, "-out", made.caFile});
    std::vector<std::string> makeRequest = {kOpenssl, "req", "-new", "-config", serverConfig};
    makeRequest.insert(makeRequest.end(), newKey.begin(), newKey.end());
    makeRequest.insert(makeRequest.end(), {"-keyout", made.keyFile, "-out", request});
    std::vector<std::string> sign = {kOpenssl,
                                     "x509",
                                     "-req",
                                     "-in",
                                     request,
                                     "-CA",
                                     made.caFile,
                                     "-CAkey",
                                     caKey,
                                     "-set_serial",
                                     "2",
                                     "-days",
                                     "2",
                                     "-extfile",
                                     serverConfig,
                                     "-extensions",
                                     "server_ext",
                                     "-out",
                                     made.certificateFile};
    made.made = RunProgram(makeCa, log) == 0 && RunProgram(makeRequest, log) == 0 &&
                RunProgram(sign, log) == 0;
    return made;
}
