#pragma once
// What the small dialogs share (the invoices' and the reports' limits): a window that tells its
// caller once how it ended, and the buttons of its bottom row.
#include <QBoxLayout>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QWidget>

#include <functional>

namespace tavlo::desktop {

inline QPushButton* addButton(QWidget* w, QHBoxLayout* row, const char* text, const char* name)
{
    auto* b = new QPushButton(QString::fromUtf8(text), w);
    b->setObjectName(QString::fromLatin1(name));
    row->addWidget(b);
    return b;
}

// The bottom row at the right: the window's action, which is the default button, and the button
// that closes the window (first when `lukkForst`), which is connected here. The action.
inline QPushButton* handlingsrad(QWidget* w, QBoxLayout* layout, const char* text, const char* name,
                                 const char* lukk, const char* lukkNavn, bool lukkForst = false)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    QPushButton* avslutt = lukkForst ? addButton(w, row, lukk, lukkNavn) : nullptr;
    QPushButton* handling = addButton(w, row, text, name);
    handling->setDefault(true);
    if (!avslutt)
        avslutt = addButton(w, row, lukk, lukkNavn);
    layout->addLayout(row);
    QObject::connect(avslutt, &QPushButton::clicked, w, &QWidget::close);
    return handling;
}

// A dialog that tells its caller once how it ended, also when it is closed by its frame. While
// `busy` (a run going on holds the dialog's values), it cannot be closed.
class Dialog : public QWidget {
  public:
    explicit Dialog(std::function<void()> onClose) : onClose_(std::move(onClose))
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }
    ~Dialog() override
    {
        if (onClose_)
            onClose_();
    }
    // The end is told now; closing later tells nothing more.
    void end(std::function<void()> told)
    {
        onClose_ = nullptr;
        told();
        close();
    }
    bool busy = false;

  protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (busy)
            event->ignore();
        else
            event->accept();
    }

  private:
    std::function<void()> onClose_;
};

} // namespace tavlo::desktop
