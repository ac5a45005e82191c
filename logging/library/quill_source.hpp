#pragma once
#include <string>
#include <string_view>
#include <utility>

namespace zirok::quillog {

// One destination of a logger's lines. The virtual slots keep their historical
// order: destroy, open, close, delete, write-line.
class IQuillSource {
  public:
    explicit IQuillSource(std::string name) : name_(std::move(name)) {}
    IQuillSource(const IQuillSource&) = delete;
    IQuillSource& operator=(const IQuillSource&) = delete;
    virtual ~IQuillSource() = default;

    virtual bool open() = 0;
    virtual void close() = 0;
    // Closes the destination and removes it for good.
    virtual void remove() = 0;
    // Appends text and a line end; false when nothing could be written.
    virtual bool writeLine(std::string_view text) = 0;

    const std::string& name() const { return name_; }

  private:
    std::string name_;
};

}  // namespace zirok::quillog
