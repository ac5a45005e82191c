#include "platform/library.hpp"
#include "protocol/transport.hpp"
#include "transport/comdll.h"

namespace zirok::protocol {

namespace {

class LibraryTransport final : public Transport {
public:
    explicit LibraryTransport(std::unique_ptr<platform::Library> library) : library_(std::move(library)) {}

    bool resolve() {
        open_ = library_->function<OpenCOMFn>("OpenCOM");
        close_ = library_->function<CloseCOMFn>("CloseCOM");
        send_ = library_->function<SendCOMFn>("SendCOM");
        receive_ = library_->function<ReceiveCOMFn>("ReceiveCOM");
        setTimeouts_ = library_->function<SetTimeoutsFn>("SetTimeouts");
        clearBuffer_ = library_->function<ClearBufferFn>("ClearBuffer");
        return open_ && close_ && send_ && receive_ && setTimeouts_ && clearBuffer_;
    }

    int open(const char* port, int baudRate, int handshake) override { return open_(port, baudRate, handshake); }
    void close(const char* port) override { close_(port); }
    int send(const char* port, const char* data, int count) override { return send_(port, data, count); }
    int receive(const char* port, char* byte) override { return receive_(port, byte, 1); }
    void setTimeout(const char* port, int milliseconds) override { setTimeouts_(port, milliseconds); }
    void clearBuffers(const char* port) override { clearBuffer_(port, 1, 1); }

private:
    std::unique_ptr<platform::Library> library_;
    OpenCOMFn open_ = nullptr;
    CloseCOMFn close_ = nullptr;
    SendCOMFn send_ = nullptr;
    ReceiveCOMFn receive_ = nullptr;
    SetTimeoutsFn setTimeouts_ = nullptr;
    ClearBufferFn clearBuffer_ = nullptr;
};

}  // namespace

std::unique_ptr<Transport> loadTransportLibrary(const std::string& path, std::string* error) {
    auto library = platform::Library::load(path, error);
    if (!library) return nullptr;
    auto transport = std::make_unique<LibraryTransport>(std::move(library));
    if (!transport->resolve()) {
        if (error) *error = path + " lacks one of the six transport entry points";
        return nullptr;
    }
    return transport;
}

std::string defaultTransportPath() {
    static const char anchor = 0;  // any object of this library locates its file
    return platform::moduleFolder(&anchor) + platform::libraryFileName("comdll");
}

}  // namespace zirok::protocol
