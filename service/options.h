// The service's command line, read by its main before anything else.
#ifndef RUVELLO_OPTIONS_H
#define RUVELLO_OPTIONS_H

// 0: the arguments are empty or "--catch-up DAYS" with DAYS 0 to MOSTCATCHUPDAYS
// (scheduler.h), stored in days (DEFAULTCATCHUPDAYS without it); 1: anything else.
int readserviceoptions(int argc, char** argv, int* days);

#endif
