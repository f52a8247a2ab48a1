// The PDF files the commands print to: reports and invoices.
#include <QGuiApplication>

#include <iostream>

#include "shell/cli.h"

namespace tavlo::cli {

std::unique_ptr<QGuiApplication> pdfApplication()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The application keeps a reference to its argument count.
    static int argc = 1;
    static char program[] = "tavlo";
    static char* argv[] = {program, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

void writePdfOrFail(const report::PageList& pages, const std::string& pdf, const std::string& title,
                    const std::string& author)
{
    std::string message;
    if (!report::writePdf(pdf, pages, title, author, message))
        throw Failure{message};
    std::cout << pdf << '\n';
}

} // namespace tavlo::cli
