/* Quillog: a small trace-file library loaded at run time by name. Texts are
 * zero-terminated byte strings written unchanged; the handle is opaque. */
#ifndef ZIROK_QUILLOG_H
#define ZIROK_QUILLOG_H

#ifdef _WIN32
#define QUILLOG_CALL __stdcall
#else
#define QUILLOG_CALL
#endif

#if defined(QUILLOG_BUILD) && defined(_WIN32)
#define QUILLOG_EXPORT __declspec(dllexport)
#elif defined(QUILLOG_BUILD)
#define QUILLOG_EXPORT __attribute__((visibility("default")))
#else
#define QUILLOG_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void* QuillHandle;

/* Levels with a prefix: 0 none, 1 "[warning] ", 2 "[ERROR!] "; any other none. */
enum { QUILL_INFO = 0, QUILL_WARNING = 1, QUILL_ERROR = 2 };

QUILLOG_EXPORT QuillHandle QUILLOG_CALL CreateLogger(void);
/* Closes and destroys every instance; a null handle does nothing. */
QUILLOG_EXPORT void QUILLOG_CALL DeleteLogger(QuillHandle logger);
/* Adds a file instance writing folder + name + ".log"; an empty folder means
 * the temporary folder. 0 for a null handle, else 1. */
QUILLOG_EXPORT int QUILLOG_CALL AddLogInstance(QuillHandle logger, const char* name,
                                               const char* folder);
/* Opens every instance, creating missing folder levels. 0 for a null handle. */
QUILLOG_EXPORT int QUILLOG_CALL OpenLogger(QuillHandle logger);
QUILLOG_EXPORT int QUILLOG_CALL CloseLogger(QuillHandle logger);
/* Appends "HH:MM:SS: " + prefix + text + ";" + CR LF to every instance.
 * 0 when the logger has no instance; otherwise 1 when every instance took it. */
QUILLOG_EXPORT int QUILLOG_CALL WriteMessage(QuillHandle logger, const char* text, int level);

typedef QuillHandle(QUILLOG_CALL* QuillCreateLoggerFn)(void);
typedef void(QUILLOG_CALL* QuillDeleteLoggerFn)(QuillHandle);
typedef int(QUILLOG_CALL* QuillAddLogInstanceFn)(QuillHandle, const char*, const char*);
typedef int(QUILLOG_CALL* QuillOpenLoggerFn)(QuillHandle);
typedef int(QUILLOG_CALL* QuillCloseLoggerFn)(QuillHandle);
typedef int(QUILLOG_CALL* QuillWriteMessageFn)(QuillHandle, const char*, int);

#ifdef __cplusplus
}
#endif

#endif
