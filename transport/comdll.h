/* The serial transport's six entry points, as the protocol layer looks them
   up by name after loading the library at run time. A port is always named
   by its zero-terminated ANSI name ("COM3"). */
#ifndef ZIROK_TRANSPORT_COMDLL_H
#define ZIROK_TRANSPORT_COMDLL_H

#if defined(_WIN32)
#define COMDLL_API __stdcall
#define COMDLL_EXPORT __declspec(dllexport)
#else
#define COMDLL_API
#define COMDLL_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* 0 when the port is open and ready. */
typedef int(COMDLL_API* OpenCOMFn)(const char* port, int baudRate, int handshake);
typedef int(COMDLL_API* CloseCOMFn)(const char* port);
/* Number of bytes written. */
typedef int(COMDLL_API* SendCOMFn)(const char* port, const void* data, int count);
/* 1 when a byte was stored; 0 on a time-out; negative on an error. */
typedef int(COMDLL_API* ReceiveCOMFn)(const char* port, void* data, int count);
typedef int(COMDLL_API* SetTimeoutsFn)(const char* port, int milliseconds);
typedef int(COMDLL_API* ClearBufferFn)(const char* port, int input, int output);

#ifdef __cplusplus
}
#endif

#endif
