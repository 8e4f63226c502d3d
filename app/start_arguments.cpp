#include "start_arguments.h"

#include "project_version.h"

StartRequest parseStartArguments(const std::vector<std::string>& arguments) {
    StartRequest request;
    bool onlyFiles = false;
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        if (!onlyFiles && argument == "--") {
            onlyFiles = true;
        } else if (!onlyFiles && (argument == "-h" || argument == "--help")) {
            return {StartRequest::Action::help, {}, {}};
        } else if (!onlyFiles && argument == "--version") {
            return {StartRequest::Action::version, {}, {}};
        } else if (!onlyFiles && argument.size() > 1 && argument[0] == '-') {
            // Remembered rather than returned, so that a later --help still helps.
            if (request.message.empty()) request.message = "unknown option \"" + argument + "\"";
        } else {
            files.push_back(argument);
        }
    }
    if (request.message.empty() && files.size() > 1) {
        request.message = "one FILE at most, " + std::to_string(files.size()) + " given";
    }
    if (!request.message.empty()) {
        request.action = StartRequest::Action::usageError;
        return request;
    }
    if (!files.empty()) request.file = files.front();
    return request;
}

std::string helpText() {
    return "Usage: cobblestack [OPTION]... [FILE]\n"
           "Browse, copy and tidy Protel Autotrax component libraries (.LIB files) in a window.\n"
           "\n"
           "Without FILE the window starts empty: \"Locate Directory\" lists the library files\n"
           "of a folder. With FILE it starts as if FILE had been picked there: the file list\n"
           "shows the library files of FILE's folder and FILE is opened as the source library,\n"
           "its components listed. A FILE that is missing or is not a library file is named in\n"
           "a message box; the window then shows its folder alone. A folder is listed itself.\n"
           "\n"
           "Options:\n"
           "  -h, --help     print this help and exit\n"
           "      --version  print the version and exit\n"
           "\n"
           "Qt's own options, such as -platform offscreen or -display :1, are accepted as well.\n"
           "A library file is recognised by its content, bytes 3 to 15 reading \"PCB 4\n"
           "LIBRARY\", whatever its name. The command-line companion, cobble(1), does the same\n"
           "work from a shell.\n"
           "\n"
           "Exit status: 0 when the window was closed; 2 when the command line is wrong.\n";
}

std::string versionText() {
    return std::string("cobblestack ") + kProjectVersion +
           "\n"
           "License GPL-3.0-or-later: GNU GPL version 3 or later.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}
