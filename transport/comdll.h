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

/* 0 when the port is open and ready; otherwise a reason (comdll_results.h)
   and the port is closed. Opening a port that is open closes it first.
   handshake 1 asks for RTS/CTS flow control. */
typedef int(COMDLL_API* OpenCOMFn)(const char* port, int baudRate, int handshake);
/* Afterwards the port may be opened again; unsent bytes are dropped. */
typedef int(COMDLL_API* CloseCOMFn)(const char* port);
/* Number of bytes written; short when the line stays blocked past the write
   time-out (twice the bytes' time on the line plus the receive time-out),
   0 when the port is not open. */
typedef int(COMDLL_API* SendCOMFn)(const char* port, const void* data, int count);
/* 1 when a byte was stored; 0 on a time-out; negative on an error, a hang-up
   of the other side or a port that is not open. Waits at most the per-byte
   time-out (5000 ms until SetTimeouts). */
typedef int(COMDLL_API* ReceiveCOMFn)(const char* port, void* data, int count);
/* Sets the per-byte receive time-out; negative counts as 0 (no wait). */
typedef int(COMDLL_API* SetTimeoutsFn)(const char* port, int milliseconds);
/* Discards pending received bytes (input) and unsent bytes (output). */
typedef int(COMDLL_API* ClearBufferFn)(const char* port, int input, int output);

#ifdef __cplusplus
}
#endif

#endif
