#pragma once
// The byte transport as the link sees it. The real one is the six-function
// library loaded at run time; tests may plug in another (for instance the
// emulator in-process) behind the same operations.
#include <memory>
#include <string>

namespace zirok::protocol {

class Transport {
public:
    virtual ~Transport() = default;
    virtual int open(const char* port, int baudRate, int handshake) = 0;  // 0: open
    virtual void close(const char* port) = 0;
    virtual int send(const char* port, const char* data, int count) = 0;  // bytes written
    virtual int receive(const char* port, char* byte) = 0;  // 1: a byte; 0: time-out; <0: error
    virtual void setTimeout(const char* port, int milliseconds) = 0;
    virtual void clearBuffers(const char* port) = 0;
};

// Loads the transport library from `path` and looks up its six entry points.
// Null, with *error filled, when the file cannot be loaded or lacks one of
// them: calling a missing entry point would crash the caller's process.
std::unique_ptr<Transport> loadTransportLibrary(const std::string& path, std::string* error = nullptr);

// Where the service object finds the transport: beside its own library file.
std::string defaultTransportPath();

}  // namespace zirok::protocol
