#pragma once
// The frame of the desktop program: the window area where registers and forms open, the menu,
// the toolbar and the status bar. Every command starts its procedure through the procedure's
// slot (data/slots.h) in a context of its own; an empty slot says the window comes later.
#include <QMainWindow>
#include <functional>

class QLabel;
class QMdiArea;
class QTimer;

namespace tavlo {
class Context;
class ErrorClass;
} // namespace tavlo

namespace tavlo::tlma {

class Frame : public QMainWindow {
    Q_OBJECT

  public:
    Frame(ErrorClass& errors, bool archive, QWidget* parent = nullptr);
    ~Frame() override;

    QMdiArea* area() const { return area_; }
    // The menu item or toolbar button with this text (the '&' marks included).
    QAction* findAction(const QString& text) const;
    QString dateZone() const;
    QString timeZone() const;
    // Writes the date and time zones (the timer does it every second).
    void tick();
    // How external programs are started (the calculator, the browser): replaceable in tests.
    std::function<bool(const QString& program)> startProgram;
    std::function<bool(const QString& url)> openUrl;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void buildToolbar();
    void calculator();
    void help(const QString& anchor);

    ErrorClass& errors_;
    QMdiArea* area_;
    QLabel* date_;
    QLabel* time_;
    QTimer* timer_;
};

// The splash window: stays 15 seconds, or until clicked or left.
QWidget* SPLASH();
// The about window "Om Tavlo".
void OM(Context& ctx, const std::function<bool(const QString&)>& openUrl);
// The picture of the splash and about windows.
QPixmap splashPicture();

} // namespace tavlo::tlma
