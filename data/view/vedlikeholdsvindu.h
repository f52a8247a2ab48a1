#pragma once
// The window of an exchange-file run ("Kundevedlikehold", "Produktvedlikehold"): the file name
// with its file dialog, the count of lines handled, and "&Importer", "&Eksporter", "Avslutt".
// Rules is the run: fileName(), counter(), progressChanged, importFile() and exportFile().
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>
#include <vector>

#include "data/context.h"
#include "framework/answer.h"
#include "framework/widgets/formfields.h"

namespace tavlo::desktop {

template <class Rules> class VedlikeholdsVindu : public QWidget {
  public:
    // `title` also names the window in upper case as `name`; `files` is the dialog's filter.
    VedlikeholdsVindu(Context& ctx, const char* title, const char* name, const char* files)
        : ctx_(ctx), rules_(ctx)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QString::fromUtf8(title));
        setObjectName(QString::fromLatin1(name));

        auto* fileRow = new QHBoxLayout;
        QPushButton* browse = nullptr;
        file_ = filnavnrad(ctx, this, fileRow, rules_.fileName(), files, &browse);

        auto* countRow = new QHBoxLayout;
        counter_ = antallrad(this, countRow, "Antall::");

        auto* buttons = new QHBoxLayout;
        using Run = decltype(&Rules::importFile);
        const std::pair<const char*, Run> runs[] = {{"&Importer", &Rules::importFile},
                                                    {"&Eksporter", &Rules::exportFile}};
        for (const auto& [text, run] : runs) {
            auto* b = new QPushButton(QString::fromUtf8(text), this);
            connect(b, &QPushButton::clicked, this, [this, run = run] { start(run); });
            buttons->addWidget(b);
            buttons_.push_back(b);
        }
        buttons->addStretch(1);
        auto* close = new QPushButton(QStringLiteral("Avslutt"), this);
        connect(close, &QPushButton::clicked, this, &QWidget::close);
        buttons->addWidget(close);
        buttons_.push_back(close);
        buttons_.push_back(browse);

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(fileRow);
        layout->addLayout(countRow);
        layout->addLayout(buttons);

        rules_.progressChanged = [this] {
            const long n = rules_.counter();
            if (n != 0 && n % kRedrawEvery != 0)
                return;
            showCount();
            // The run works on this thread: let the counter and the other windows be drawn.
            QApplication::processEvents();
        };
    }

  protected:
    void closeEvent(QCloseEvent* event) override
    {
        // A run going on holds this window's rules.
        if (running_)
            event->ignore();
        else
            event->accept();
    }

  private:
    // The counter is drawn this often during a run: a repaint per line would cost more than the
    // line itself.
    static constexpr long kRedrawEvery = 250;

    template <class Run> void start(Run run)
    {
        if (running_)
            return;
        running_ = true;
        rules_.fileName() = file_->text().toStdString();
        for (auto* b : buttons_)
            b->setEnabled(false);
        file_->setReadOnly(true);
        (rules_.*run)();
        file_->setReadOnly(false);
        for (auto* b : buttons_)
            b->setEnabled(true);
        running_ = false;
        showCount();
    }

    void showCount() { counter_->setText(QString::number(rules_.counter())); }

    Context& ctx_;
    Rules rules_;
    QLineEdit* file_;
    QLabel* counter_;
    std::vector<QPushButton*> buttons_;
    bool running_ = false;
};

} // namespace tavlo::desktop
