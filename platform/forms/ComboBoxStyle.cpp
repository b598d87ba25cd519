#include "ComboBoxStyle.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStyleOptionComboBox>

#include <utility>

namespace {

// The forms use a handful of colour sets; a program that kept changing a combo box's colours
// starts the list afresh rather than growing it.
constexpr qsizetype MaxSharedPalettes = 32;

} // namespace

ComboBoxStyle* ComboBoxStyle::Instance()
{
    static QPointer<ComboBoxStyle> style;
    if (style == nullptr) {
        style = new ComboBoxStyle();
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

QPalette ComboBoxStyle::SharedPalette(const QPalette& palette) const
{
    for (const QPalette& shared : std::as_const(mPalettes)) {
        if (shared == palette) {
            return shared;
        }
    }
    if (mPalettes.size() >= MaxSharedPalettes) {
        mPalettes.clear();
    }
    mPalettes.append(palette);
    return palette;
}

void ComboBoxStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                       const QWidget* widget) const
{
    if (control == CC_ComboBox) {
        if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
            QStyleOptionComboBox shared(*combo);
            shared.palette = SharedPalette(combo->palette);
            QProxyStyle::drawComplexControl(control, &shared, painter, widget);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}
