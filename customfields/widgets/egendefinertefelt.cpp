#include "customfields/widgets/egendefinertefelt.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <climits>

#include "data/context.h"
#include "data/lookups.h"
#include "framework/picture.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/lookupkeys.h"

namespace tavlo {

namespace {

// A code number shown and typed under the definition's picture.
class PictureSpinBox : public QSpinBox {
  public:
    PictureSpinBox(std::string picture, QWidget* parent)
        : QSpinBox(parent), picture_(std::move(picture))
    {
    }

  protected:
    QString textFromValue(int value) const override
    {
        if (picture_.empty())
            return QSpinBox::textFromValue(value);
        return QString::fromStdString(picture::format(picture_, int64_t(value))).trimmed();
    }
    int valueFromText(const QString& text) const override
    {
        if (picture_.empty())
            return QSpinBox::valueFromText(text);
        const auto v = picture::parseNumber(picture_, text.toStdString());
        return v ? static_cast<int>(v->toCents() / 100) : value();
    }
    QValidator::State validate(QString& text, int& pos) const override
    {
        if (picture_.empty())
            return QSpinBox::validate(text, pos);
        return picture::parseNumber(picture_, text.toStdString()) ? QValidator::Acceptable
                                                                  : QValidator::Intermediate;
    }

  private:
    std::string picture_;
};

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

QRect toPixels(const UnitRect& r, const QFontMetrics& metrics)
{
    const int cw = metrics.averageCharWidth(), lh = metrics.height();
    return QRect(r.x * cw / 4, r.y * lh / 8, r.w * cw / 4, r.h * lh / 8);
}

namespace {

// The grey, read-only text of a field's code beside it.
QLineEdit* makeCodeText(QWidget* parent, const CustomControl& c, const QFontMetrics& metrics)
{
    auto* code = new QLineEdit(parent);
    code->setObjectName(QString::number(codeControl(c.index)));
    code->setReadOnly(true);
    code->setFocusPolicy(Qt::NoFocus);
    QPalette grey = code->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    code->setPalette(grey);
    code->setGeometry(toPixels(c.codeRect, metrics));
    code->show();
    return code;
}

} // namespace

int OPPRETTEGENDEFINERTEFELT(FormWindow& form, int32_t tableNo, QWidget* parent,
                             std::array<std::string, 10>& texts, std::array<int32_t, 10>& groups,
                             int32_t x, int32_t y)
{
    Context& ctx = form.form().context();
    const CustomFields fields = OPPRETTEGENDEFINERTEFELT(ctx, tableNo, groups, x, y);
    const QFontMetrics metrics = parent->fontMetrics();
    for (const CustomControl& c : fields.controls) {
        if (c.checkBox) {
            auto* box = new QCheckBox(qs(c.text), parent);
            box->setObjectName(QString::number(valueControl(c.index)));
            box->setGeometry(toPixels(c.valueRect, metrics));
            form.bind(box, c.field);
            box->show();
            continue;
        }
        if (c.prompt) {
            auto* prompt = new QLabel(qs(c.text), parent);
            prompt->setObjectName(QString::number(promptControl(c.index)));
            prompt->setGeometry(toPixels(c.promptRect, metrics));
            prompt->show();
        }
        QWidget* value = nullptr;
        const Qt::Alignment align =
            (c.alignment == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        // A whole number with a code group is picked from the group's codes in a spin box.
        // A decimal or text field given a group keeps its ordinary entry (a spin box would
        // hold neither) and only the empty text control beside it.
        if (c.lookup != 0) {
            auto* spin = new PictureSpinBox(c.picture, parent);
            spin->setRange(0, INT_MAX);
            if (c.alignment != Alignment::Default)
                spin->setAlignment(align);
            form.bind(spin, c.field);
            value = spin;
            QLineEdit* code = makeCodeText(parent, c, metrics);
            const int n = c.lookup - 1;
            const int32_t group = c.group;
            code->setText(qs(texts[n]));
            auto show = [&ctx, &texts, spin, code, n, group] {
                int32_t v = spin->value();
                VISKODA(ctx, group, v, texts[n]);
                code->setText(qs(texts[n]));
            };
            QObject::connect(spin, &QAbstractSpinBox::editingFinished, code, show);
            QObject::connect(&form, &FormWindow::fieldsShown, code, show);
            auto pick = [&ctx, &form, spin, group, show] {
                if (form.form().readOnly())
                    return;
                spin->setValue(HENTKODA(ctx, group, spin->value()));
                show();
            };
            installLookup(spin, pick);
            // The right button lands on the box's own entry line.
            if (auto* line = spin->findChild<QLineEdit*>())
                installLookup(line, pick);
        } else {
            auto* edit = new QLineEdit(parent);
            if (c.alignment != Alignment::Default)
                edit->setAlignment(align);
            if (c.offset != 0)
                edit->setTextMargins(0, 0, c.offset * metrics.averageCharWidth() / 4, 0);
            form.bind(edit, c.field, c.picture);
            value = edit;
            if (c.group != 0)
                makeCodeText(parent, c, metrics);
        }
        value->setObjectName(QString::number(valueControl(c.index)));
        value->setGeometry(toPixels(c.valueRect, metrics));
        value->show();
    }
    parent->update();
    return fields.count;
}

int OPPRETTEGENDEFINERTEFELT(FormWindow& form, int32_t tableNo, QWidget* parent, int32_t x,
                             int32_t y)
{
    struct Kept {
        std::array<std::string, 10> texts{};
        std::array<int32_t, 10> groups{};
    };
    auto* kept = new Kept;
    QObject::connect(&form, &QObject::destroyed, [kept] { delete kept; });
    return OPPRETTEGENDEFINERTEFELT(form, tableNo, parent, kept->texts, kept->groups, x, y);
}

} // namespace tavlo
