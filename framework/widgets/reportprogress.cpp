#include "framework/widgets/reportprogress.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

#include "framework/widgets/contextwindows.h"

namespace tavlo {

namespace {

// The report's run and its progress window: the timer events that drive the ProcessClass, the
// deferred window, Cancel.
class ReportManager : public QWidget {
  public:
    ReportManager(Context& ctx, ReportRun run)
        : ctx_(ctx), run_(std::move(run)), process_([this] { return clock_.elapsed(); })
    {
        setObjectName(QStringLiteral("ReportProgress"));
        setWindowTitle(QStringLiteral("Vent..."));
        setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(this);
        auto* label = new QLabel(run_.text, this);
        bar_ = new QProgressBar(this);
        bar_->setObjectName(QStringLiteral("fremdrift"));
        bar_->setRange(0, 100);
        percent_ = new QLabel(QStringLiteral("0% Complete"), this);
        percent_->setObjectName(QStringLiteral("prosent"));
        auto* cancel = new QPushButton(QStringLiteral("Avbryt"), this);
        cancel->setObjectName(QStringLiteral("avbryt"));
        layout->addWidget(label);
        layout->addWidget(bar_);
        layout->addWidget(percent_);
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(cancel);
        layout->addLayout(row);
        connect(cancel, &QPushButton::clicked, this, [this] { end(false); });
        connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
        clock_.start();
        started_.start();
        timer_.start(0);
    }
    ~ReportManager() override
    {
        if (run_.done)
            end(false);
    }

  private:
    void tick()
    {
        if (!isVisible() && started_.elapsed() >= run_.deferMs)
            contextwindows::show(ctx_, this);
        const ProcessClass::Event e = process_.takeEvent(run_.next);
        const int p = run_.percent ? run_.percent() : 0;
        bar_->setValue(p);
        percent_->setText(QStringLiteral("%1% Complete").arg(p));
        if (e != ProcessClass::Event::More)
            end(e == ProcessClass::Event::Done);
    }
    void end(bool completed)
    {
        timer_.stop();
        auto done = std::move(run_.done);
        run_.done = nullptr;
        if (done)
            done(completed, process_.records());
        if (isVisible())
            close();
        else
            deleteLater();
    }

    Context& ctx_;
    ReportRun run_;
    QElapsedTimer clock_, started_;
    ProcessClass process_;
    QTimer timer_;
    QProgressBar* bar_;
    QLabel* percent_;
};

} // namespace

void runReport(Context& ctx, ReportRun run)
{
    const bool now = run.deferMs == 0;
    auto* w = new ReportManager(ctx, std::move(run));
    if (now)
        contextwindows::show(ctx, w);
}

} // namespace tavlo
