// Stored settings of the application core. For now the three start-up video values, which the
// command line's second pass may override for one run; reading and writing them in the
// configuration store comes with the settings module.
#pragma once

namespace settings {

extern int VIDbckBuffSysMem;  // 1: back buffer in system memory, copied to the screen; 0: page flipping
extern int VIDwVSync;         // 1: wait for the vertical retrace when presenting
extern int VIDdefault;        // index of the chosen mode among the usable modes; -1 automatic

}  // namespace settings
