#pragma once

namespace tn {

// The process-wide file-map switch: 1 at load, any nonzero value enables.
int SetFileMapSwitch(int value);  // returns the previous value
int GetFileMapSwitch();

}  // namespace tn
