// The window "Kodeverksvedlikehold": code sets to and from an exchange file.
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "codesets/importeksport.h"
#include "codesets/view/codesets_view.h"
#include "data/context.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formfields.h"

namespace tavlo::desktop {

namespace {

class ImportEksportWindow : public QWidget {
  public:
    explicit ImportEksportWindow(Context& ctx) : ctx_(ctx), rules_(ctx)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Kodeverksvedlikehold"));
        setObjectName(QStringLiteral("IMPORTEKSPORTKODEVERK"));

        auto* fileRow = new QHBoxLayout;
        file_ = filnavnrad(ctx, this, fileRow, rules_.fileName(), "Kodeverksfiler|*.TXT");

        overwrite_ =
            new QCheckBox(QStringLiteral("&Overskriv eksisterende koder ved import"), this);
        overwrite_->setObjectName(QStringLiteral("overskriv"));

        auto* limits = new QGroupBox(QStringLiteral("Avgrensninger"), this);
        auto* grid = new QGridLayout(limits);
        grid->addWidget(new QLabel(QStringLiteral("Fra:"), limits), 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("Til:"), limits), 0, 2);
        const char* rows[] = {"Gruppe:", "Nr:"};
        for (int i = 0; i < 2; ++i) {
            grid->addWidget(new QLabel(QString::fromUtf8(rows[i]), limits), i + 1, 0);
            for (int j = 0; j < 2; ++j) {
                auto* box = new QSpinBox(limits);
                box->setRange(0, 99999);
                box->setSpecialValueText(QStringLiteral(" ")); // 0: no bound, shown blank
                box->setObjectName(QStringLiteral("grense%1").arg(i * 2 + j));
                bounds_[i * 2 + j] = box;
                grid->addWidget(box, i + 1, j + 1);
            }
        }
        grid->setColumnStretch(3, 1);

        auto* buttons = new QHBoxLayout;
        const std::pair<const char*, Outcome (ImportEksportKodeverk::*)()> runs[] = {
            {"&Importer", &ImportEksportKodeverk::importFile},
            {"&Eksporter", &ImportEksportKodeverk::exportFile},
            {"&Slett", &ImportEksportKodeverk::deleteCodes}};
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

        progress_ = new QProgressBar(this);
        progress_->setRange(0, 100);
        progress_->setValue(0);
        auto* countRow = new QHBoxLayout;
        counter_ = antallrad(this, countRow, "Antall poster behandlet:");

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(fileRow);
        layout->addWidget(overwrite_);
        layout->addWidget(limits);
        layout->addWidget(progress_);
        layout->addLayout(countRow);
        layout->addLayout(buttons);

        rules_.progressChanged = [this] {
            showProgress();
            // The run works on this thread: let the other windows (and the bar) be drawn.
            QApplication::processEvents();
        };
    }

  protected:
    void closeEvent(QCloseEvent* event) override
    {
        // A run going on holds this window's rules.
        if (rules_.running())
            event->ignore();
        else
            event->accept();
    }

  private:
    using Outcome = ImportEksportKodeverk::Outcome;

    void start(Outcome (ImportEksportKodeverk::*run)())
    {
        rules_.fileName() = file_->text().toStdString();
        rules_.overwrite = overwrite_->isChecked();
        rules_.fromGroup = bounds_[0]->value();
        rules_.toGroup = bounds_[1]->value();
        rules_.fromNr = bounds_[2]->value();
        rules_.toNr = bounds_[3]->value();
        for (auto* b : buttons_)
            b->setEnabled(false);
        (rules_.*run)();
        for (auto* b : buttons_)
            b->setEnabled(true);
        showProgress();
    }

    void showProgress()
    {
        progress_->setValue(rules_.progress());
        counter_->setText(QString::number(rules_.counter()));
    }

    Context& ctx_;
    ImportEksportKodeverk rules_;
    QLineEdit* file_;
    QCheckBox* overwrite_;
    QSpinBox* bounds_[4];
    QProgressBar* progress_;
    QLabel* counter_;
    std::vector<QPushButton*> buttons_;
};

} // namespace

void IMPORTEKSPORTKODEVERK(Context& ctx)
{
    contextwindows::show(ctx, new ImportEksportWindow(ctx));
}

} // namespace tavlo::desktop
