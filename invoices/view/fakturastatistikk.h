#pragma once
// The window "Fakturastatistikk" and its bar chart.
#include <QWidget>

#include "invoices/fakturastatistikk.h"

class QLabel;
class QLineEdit;
class QTabWidget;
class QTableWidget;

namespace tavlo::desktop {

// The month totals as bars over the amounts and the month names; the bars follow the size.
class Diagramflate : public QWidget {
  public:
    explicit Diagramflate(QWidget* parent);
    void vis(const std::array<Decimal, kMaaneder>& maanedTotal);
    // What is drawn now, in the widget's pixels.
    const Stolpediagram& diagram() const { return diagram_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    int tekstlinje() const;
    void beregn();

    std::array<Decimal, kMaaneder> total_{};
    Stolpediagram diagram_;
};

class StatistikkVindu : public QWidget {
  public:
    explicit StatistikkVindu(Context& ctx);
    // Shows the year's statistics.
    void start(int aar);
    const FakturaStatistikk& regler() const { return regler_; }
    // The size it opens in when no position is saved; the frame's child window asks for it.
    QSize sizeHint() const override { return {760, 460}; }
    Diagramflate* diagram() const { return diagram_; }

  private:
    void steg(int retning);
    void godtaAar();
    void settAar(int aar);

    Context& ctx_;
    FakturaStatistikk regler_;
    QLineEdit* aar_;
    QTabWidget* faner_;
    Diagramflate* diagram_;
    QLabel* totalt_;
    QTableWidget* antall_;
    QTableWidget* belop_;
};

} // namespace tavlo::desktop
