#pragma once
// The print preview: the report's pages drawn as they will print, with the seven zoom choices
// (drop list and pop-up menu), page navigation, and printing of all or chosen pages to any
// printer through the print dialog. Its placement is kept in the sector "_PreviewWindow_" of the
// settings object it is given.
#include <QWidget>

#include <algorithm>
#include <functional>

#include "framework/report/pagelist.h"

class QComboBox;
class QPrinter;
class QLabel;
class QScrollArea;
class QSpinBox;

namespace tavlo {

class INIClass;

class PrintPreviewClass : public QWidget {
  public:
    struct Zoom {
        const char* menu;
        const char* status;
        int value; // percent; -1 page width, -2 whole pages
    };
    static const std::vector<Zoom>& zoomChoices();

    // `done` hears once whether the pages were printed; the window deletes itself when closed.
    PrintPreviewClass(report::PageList pages, INIClass* settings,
                      std::function<void(bool printed)> done, QWidget* parent = nullptr);
    ~PrintPreviewClass() override;

    // What the print dialog proposes: the copies (collated) and the printer's paper bin (0: its
    // own choice).
    void setPrinterSetup(int copies, int paperSource)
    {
        copies_ = std::max(1, copies);
        paperSource_ = paperSource;
    }
    // The printer chosen before the run, proposed when printing.
    void setPrinterName(const QString& name) { printerName_ = name; }
    // SETZOOMPERCENTILE: the choice of that value, or a free zoom of that many percent.
    void setZoom(int percent);
    int zoom() const { return zoom_; }
    void setPage(int page); // from 1
    int page() const { return page_; }
    int pageCount() const { return static_cast<int>(pages_.size()); }
    // "1-" and the page count, or what the user chose in the print dialog.
    QString pagesToPrint() const { return pagesToPrint_; }
    // Prints the chosen pages on the printer set up by the print dialog; false when the dialog
    // was cancelled. `ask` false prints on the default printer without the dialog.
    bool print(bool ask = true);
    // The chosen pages on a printer set up already (a file printer in the tests).
    bool printOn(QPrinter& printer);

  protected:
    void closeEvent(QCloseEvent* event) override;
    // The page width and whole-page zooms follow the window's size.
    void resizeEvent(QResizeEvent* event) override;

  private:
    void redraw();

    report::PageList pages_;
    INIClass* settings_;
    std::function<void(bool)> done_;
    bool printed_ = false;
    int zoom_ = -1;
    int page_ = 1;
    QString pagesToPrint_;
    QString printerName_;
    int copies_ = 1;
    int paperSource_ = 0;
    QComboBox* zoomBox_;
    QSpinBox* pageBox_;
    QLabel* canvas_;
    QScrollArea* scroll_;
};

// The pages straight to the printer chosen in the print dialog, for reports run without the
// preview; false when the dialog was cancelled or the printer could not be written.
bool printWithoutPreview(report::PageList pages);

} // namespace tavlo
