#pragma once
// The filter builder window "Lag filter": a thin view over tavlo::FilterBuilder, which holds its
// rules. The expression it edits is the caller's (GLO::FILTER), written as the user works.
#include <QDialog>
#include <string>

#include "framework/filterbuilder.h"

class QButtonGroup;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;

namespace tavlo {

class LagFilterDialog : public QDialog {
    Q_OBJECT

  public:
    // The MIME type of a field dragged from the list (the drag "DragDropFelt"): its name, UTF-8.
    static constexpr const char* kFieldMimeType = "application/x-tavlo-dragdropfelt";

    LagFilterDialog(int tableNo, std::string& expression, AnswerService& answers,
                    QWidget* parent = nullptr);

    const FilterBuilder& builder() const { return builder_; }
    QTreeWidget* fieldList() const { return list_; }
    QLineEdit* fieldEdit() const { return field_; }
    QLineEdit* valueEdit() const { return value_; }
    QPlainTextEdit* expressionEdit() const { return expression_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int selectedRow() const;
    int rowOf(const QString& name) const;
    void chooseField(int row);
    void setValueType(int type);
    // Takes "Verdi" as typed into the builder; false, with a beep and the value emptied, when
    // it is no value of the field's format.
    bool commitValue();
    void insertCondition();
    // The controls from the builder after it changed them.
    void showBuilder();
    void showExpression();

    FilterBuilder builder_;
    std::string& expr_;
    QTreeWidget* list_ = nullptr;
    QLineEdit* field_ = nullptr;
    QButtonGroup* operators_ = nullptr;
    QLineEdit* value_ = nullptr;
    QButtonGroup* types_ = nullptr;
    QPlainTextEdit* expression_ = nullptr;
    bool showing_ = false;
};

} // namespace tavlo
