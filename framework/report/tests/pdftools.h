#pragma once
// What the tests that read a PDF back share: a command's output, and the Gui application that
// fonts and the PDF writer need, made once for the whole test program.
#include <QGuiApplication>

#include <cstdio>
#include <string>

namespace tavlo::testing {

inline std::string run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

inline void ensureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tavlo-test";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

} // namespace tavlo::testing
