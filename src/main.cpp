// The vyrex program: joins the arguments back into the command-line text and runs the program.
#include <string>

#include "core/lifecycle.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return lifecycle::entry(commandLine.c_str());
}
