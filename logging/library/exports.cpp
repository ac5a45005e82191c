// The library's only entry points. Nothing may throw across them: a failure
// (in practice only memory exhaustion) reads as the call's 0 result.
#include "logging/library/quill_file_log.hpp"
#include "logging/library/quill_logger.hpp"
#include "logging/library/quillog.h"

using zirok::quillog::CQuillFileLog;
using zirok::quillog::CQuillLogger;

namespace {

CQuillLogger* cast(QuillHandle handle) {
    return static_cast<CQuillLogger*>(handle);
}

// The client hands texts straight from its callers; a null one is taken as
// empty rather than dereferenced.
const char* orEmpty(const char* text) {
    return text ? text : "";
}

}  // namespace

extern "C" {

QuillHandle QUILLOG_CALL CreateLogger(void) {
    try {
        return new CQuillLogger();
    } catch (...) {
        return nullptr;
    }
}

void QUILLOG_CALL DeleteLogger(QuillHandle logger) {
    delete cast(logger);
}

int QUILLOG_CALL AddLogInstance(QuillHandle logger, const char* name, const char* folder) {
    if (!logger) return 0;
    try {
        cast(logger)->addInstance(std::make_unique<CQuillFileLog>(orEmpty(name), orEmpty(folder)));
        return 1;
    } catch (...) {
        return 0;
    }
}

int QUILLOG_CALL OpenLogger(QuillHandle logger) {
    if (!logger) return 0;
    try {
        cast(logger)->open();
        return 1;
    } catch (...) {
        return 0;
    }
}

int QUILLOG_CALL CloseLogger(QuillHandle logger) {
    if (!logger) return 0;
    cast(logger)->close();
    return 1;
}

int QUILLOG_CALL WriteMessage(QuillHandle logger, const char* text, int level) {
    if (!logger) return 0;
    try {
        return cast(logger)->write(orEmpty(text), level) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
