#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zirok::emulator {

// Cuts a serial byte stream into request frames. Bytes before an STX are line
// noise and dropped. A frame ends two bytes after the first ETX that follows
// its 8-byte header. An STX inside a frame, an ETX inside the header, or a run
// as long as the longest request without an end means the frame was broken
// off; the search starts again at the next STX after the broken frame's start.
class RequestAssembler {
  public:
    // Returns the frames the bytes completed, oldest first.
    std::vector<std::string> feed(std::string_view bytes);

    // Bytes held towards an unfinished frame.
    std::size_t pending() const { return buffer_.size(); }

    void reset() { buffer_.clear(); }

  private:
    void push(char c, std::vector<std::string>& frames);
    void restart(std::vector<std::string>& frames);

    std::string buffer_;
};

}  // namespace zirok::emulator
