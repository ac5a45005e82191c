/* The POSIX transport's result values beyond the ones every caller relies on
   (OpenCOM 0 = open and ready; SendCOM the count written; ReceiveCOM 1, 0 or
   negative). */
#ifndef ZIROK_TRANSPORT_COMDLL_RESULTS_H
#define ZIROK_TRANSPORT_COMDLL_RESULTS_H

/* Why OpenCOM refused a port; the port is closed afterwards in every case. */
enum ComdllOpenResult {
    COMDLL_OPEN_OK = 0,
    COMDLL_OPEN_UNKNOWN_PORT = 1,      /* the name stands for no port */
    COMDLL_OPEN_BUSY = 2,              /* another handle holds the device */
    COMDLL_OPEN_CANNOT_OPEN = 3,       /* the device cannot be opened */
    COMDLL_OPEN_NOT_SERIAL = 4,        /* the device is not a terminal */
    COMDLL_OPEN_UNSUPPORTED_SPEED = 5, /* the baud rate is not one the line can take */
    COMDLL_OPEN_SETUP_FAILED = 6       /* the line settings were refused */
};

/* CloseCOM, SetTimeouts and ClearBuffer: 0 when done; this when the port is
   not open (nothing is touched). */
#define COMDLL_NOT_OPEN (-1)

#endif
