#pragma once

// The archive from the command line, without a window or a display:
//   --history [filters] [--format text|csv|json]   lists the tests, newest first
//   --history-export FOLDER [filters]                copies their files and a manifest
//   --import-history FOLDER                          files a folder of saved reports
// with the filters --equipment TEXT, --serial TEXT, --since DATE, --failed.
// The archive is the working folder's. Returns the exit code (0 done, 1
// failed, 2 wrong usage), or -1 when none of these was asked for.
int AnswerHistoryRequest(int argc, char** argv);
