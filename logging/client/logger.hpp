#pragma once
#include <string>
#include <string_view>

#include "protocol/trace.hpp"

namespace zirok::logging {

struct QuillEntries;

// The service object's trace log. It loads the trace library at run time and
// does nothing at all when the library is missing, so tracing can never stop
// the driver. The loaded library and its entry points are shared by every
// TLogger in the process and unloaded when the last one goes.
//
// Calls come from one thread at a time, as every call into the driver does.
class TLogger final : public protocol::TrafficLog {
  public:
    // The library's platform file name ("libquillog.so"), found by the usual
    // library search.
    static std::string defaultLibraryName();

    TLogger();
    // A bare name or a path; it counts only when no other TLogger holds the
    // library already.
    explicit TLogger(const std::string& libraryNameOrPath);
    TLogger(const TLogger&) = delete;
    TLogger& operator=(const TLogger&) = delete;
    ~TLogger() override;

    // Adds the trace file name + ".log" in LogFolder().
    void AddInstance(const std::string& name);
    void Open();
    void LogInfo(const std::string& message);
    void LogWarning(const std::string& message);
    void LogError(const std::string& message);
    // Empty only until first asked when the library is missing.
    const std::string& LogFolder();

    bool libraryLoaded() const { return entries_ != nullptr; }

    // The protocol layer's traffic lines, at information level.
    void write(std::string_view line) override;

  private:
    void writeMessage(const std::string& message, int level);

    const QuillEntries* entries_ = nullptr;
    void* handle_ = nullptr;
    std::string logFolder_;
    std::string traffic_;
};

}  // namespace zirok::logging
