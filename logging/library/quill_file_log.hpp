#pragma once
#include <string>

#include "logging/library/quill_source.hpp"

namespace zirok::quillog {

// The system's temporary folder, ending with '/'.
std::string temporaryFolder();

// Creates each missing level of an absolute folder; a relative folder is
// left alone, as there is no root to anchor it to.
void createMissingFolders(const std::string& folder);

class CQuillFileLog final : public IQuillSource {
  public:
    // folder gets a trailing '/' when missing; an empty folder is the
    // temporary folder.
    CQuillFileLog(std::string name, std::string folder);
    ~CQuillFileLog() override;

    bool open() override;
    void close() override;
    void remove() override;
    bool writeLine(std::string_view text) override;

    const std::string& path() const { return path_; }

  private:
    std::string folder_;
    std::string path_;
    int fd_ = -1;
    // Reused for every line so a steady trace does not allocate.
    std::string line_;
};

}  // namespace zirok::quillog
