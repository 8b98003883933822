// The vyrex program: chooses the SDL backend, joins the arguments back into the command-line
// text and runs the program.
#include <string>

#include "platform/platform.h"
#include "platform/sdl/sdl.h"
#include "program/lifecycle.h"

int main(int argc, char** argv) {
    platform::useBackend(platform::sdl::backend());
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return lifecycle::entry(commandLine.c_str());
}
