// The window "Produktvedlikehold": every product to the exchange file PRODUKT.TXT, or such a
// file read in as new products.
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/context.h"
#include "framework/widgets/contextwindows.h"
#include "products/produktvedlikehold.h"
#include "products/view/products_view.h"

namespace tavlo::desktop {

namespace {

class ProduktVedlikeholdWindow : public QWidget {
  public:
    explicit ProduktVedlikeholdWindow(Context& ctx) : ctx_(ctx), rules_(ctx)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Produktvedlikehold"));
        setObjectName(QStringLiteral("PRODUKTVEDLIKEHOLD"));

        file_ = new QLineEdit(QString::fromStdString(rules_.fileName()), this);
        file_->setObjectName(QStringLiteral("filnavn"));
        file_->setMaxLength(127); // GLO:PRODUKTIMPORTPTH
        file_->setMinimumWidth(file_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 24);
        auto* fileLabel = new QLabel(QStringLiteral("&Filnavn:"), this);
        fileLabel->setBuddy(file_);
        auto* browse = new QPushButton(QStringLiteral("..."), this);
        browse->setObjectName(QStringLiteral("velgFil"));
        browse->setToolTip(QStringLiteral("Velg fil"));
        browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("MMM")));
        connect(browse, &QPushButton::clicked, this, [this] { chooseFile(); });
        auto* fileRow = new QHBoxLayout;
        fileRow->addWidget(fileLabel);
        fileRow->addWidget(file_, 1);
        fileRow->addWidget(browse);

        counter_ = new QLabel(QStringLiteral("0"), this);
        counter_->setObjectName(QStringLiteral("antall"));
        counter_->setMinimumWidth(
            counter_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
        auto* countRow = new QHBoxLayout;
        countRow->addWidget(new QLabel(QStringLiteral("Antall::"), this));
        countRow->addWidget(counter_);
        countRow->addStretch(1);

        auto* buttons = new QHBoxLayout;
        const std::pair<const char*, Outcome (ProduktVedlikehold::*)()> runs[] = {
            {"&Importer", &ProduktVedlikehold::importFile},
            {"&Eksporter", &ProduktVedlikehold::exportFile}};
        for (const auto& [text, run] : runs) {
            auto* b = new QPushButton(QString::fromUtf8(text), this);
            connect(b, &QPushButton::clicked, this, [this, run] { start(run); });
            buttons->addWidget(b);
            buttons_.push_back(b);
        }
        buttons->addStretch(1);
        auto* close = new QPushButton(QStringLiteral("Avslutt"), this);
        connect(close, &QPushButton::clicked, this, &QWidget::close);
        buttons->addWidget(close);
        buttons_.push_back(close);

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(fileRow);
        layout->addLayout(countRow);
        layout->addLayout(buttons);

        rules_.progressChanged = [this] {
            showCount();
            // The run works on this thread: let the other windows (and the count) be drawn.
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
    using Outcome = ProduktVedlikehold::Outcome;

    void chooseFile()
    {
        AnswerService* answers = ctx_.errors().answers();
        FileChoice choice{"Choose a File", "Produktfiler|*.TXT", file_->text().toStdString(),
                          FileChoice::Open};
        if (answers && answers->pickFile(choice))
            file_->setText(QString::fromStdString(choice.path));
    }

    void start(Outcome (ProduktVedlikehold::*run)())
    {
        rules_.fileName() = file_->text().toStdString();
        running_ = true;
        for (auto* b : buttons_)
            b->setEnabled(false);
        (rules_.*run)();
        for (auto* b : buttons_)
            b->setEnabled(true);
        running_ = false;
        showCount();
    }

    void showCount() { counter_->setText(QString::number(rules_.counter())); }

    Context& ctx_;
    ProduktVedlikehold rules_;
    QLineEdit* file_;
    QLabel* counter_;
    std::vector<QPushButton*> buttons_;
    bool running_ = false;
};

} // namespace

void PRODUKTVEDLIKEHOLD(Context& ctx)
{
    contextwindows::show(ctx, new ProduktVedlikeholdWindow(ctx));
}

} // namespace tavlo::desktop
