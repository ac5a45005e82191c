#pragma once
// An in-process transport for the link's unit tests: it records what the
// link does to the port and answers each written frame through a script.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "protocol/transport.hpp"

namespace zirok::protocol::testing {

struct ScriptedPort {
    std::vector<std::string> calls;        // "open", "close", "clear", "timeout N"
    std::vector<std::string> writes;       // every SendCOM, as written
    std::deque<char> incoming;             // bytes the next ReceiveCOM calls return
    std::function<std::string(const std::string& frame)> answer;  // reply queued after a write
    int openResult = 0;
    int shortWriteBy = 0;                  // the transport drops this many bytes of each write

    std::string sent() const {
        std::string all;
        for (const auto& w : writes) all += w;
        return all;
    }
};

class ScriptedTransport final : public Transport {
public:
    explicit ScriptedTransport(ScriptedPort& port) : port_(port) {}

    int open(const char*, int baud, int handshake) override {
        port_.calls.push_back("open " + std::to_string(baud) + " " + std::to_string(handshake));
        return port_.openResult;
    }
    void close(const char*) override { port_.calls.push_back("close"); }
    int send(const char*, const char* data, int count) override {
        port_.writes.emplace_back(data, count);
        if (port_.answer) {
            const std::string reply = port_.answer(port_.writes.back());
            port_.incoming.insert(port_.incoming.end(), reply.begin(), reply.end());
        }
        return count - port_.shortWriteBy;
    }
    int receive(const char*, char* byte) override {
        if (port_.incoming.empty()) return 0;
        *byte = port_.incoming.front();
        port_.incoming.pop_front();
        return 1;
    }
    void setTimeout(const char*, int ms) override { port_.calls.push_back("timeout " + std::to_string(ms)); }
    void clearBuffers(const char*) override {
        port_.calls.push_back("clear");
        port_.incoming.clear();
    }

private:
    ScriptedPort& port_;
};

}  // namespace zirok::protocol::testing
