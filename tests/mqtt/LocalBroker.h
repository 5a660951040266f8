// A mosquitto broker of a test's own on the loopback: a free port, and a wait until it takes
// connections.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace quorvane::testing {

// A port nobody listens on now (the kernel's choice for an ephemeral bind).
inline uint16_t FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

inline bool Accepts(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// Connecting has nothing to wait on until the broker listens: polled.
inline bool WaitUntilAccepts(uint16_t port, std::chrono::steady_clock::time_point deadline) {
    while (!Accepts(port)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        usleep(20000);
    }
    return true;
}

// Made with openssl in folder f (a path ending in '/'): a certificate authority caFile (its
// key ca.key beside it) and a certificate for localhost signed by it, SERVER.pem with its key
// SERVER.key. False when a step fails.
inline bool MakeLocalhostCertificate(const std::string& f, const std::string& caFile,
                                     const std::string& server) {
    const std::string commands[] = {
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=test-ca -keyout " + f +
            "ca.key -out " + f + caFile,
        "openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout " + f + server +
            ".key -out " + f + server + ".csr",
        "printf 'subjectAltName=DNS:localhost\\n' > " + f + server + ".ext",
        "openssl x509 -req -days 2 -in " + f + server + ".csr -CA " + f + caFile + " -CAkey " +
            f + "ca.key -CAcreateserial -extfile " + f + server + ".ext -out " + f + server +
            ".pem",
    };
    for (const std::string& command : commands)
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) return false;
    return true;
}

}  // namespace quorvane::testing
