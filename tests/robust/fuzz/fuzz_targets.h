#pragma once
#include "fuzz_run.h"

namespace tnrobust {

// The fuzz targets of tn_fuzz; each returns the process exit code.
int FuzzIni(const FuzzOptions& options);     // INI documents: parse, save, load
int FuzzRecord(const FuzzOptions& options);  // file record lines
int FuzzTree(const FuzzOptions& options);    // whole installation trees, all 19 exports
int FuzzHive(const FuzzOptions& options);    // the hive store's answers

}  // namespace tnrobust
