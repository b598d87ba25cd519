#pragma once

#include <QList>
#include <QPalette>
#include <QProxyStyle>

// Combo boxes drawn by the application's style, each with one shared palette object per set of
// colours. The style caches what it drew for a combo box under a name that holds the palette's
// cache key, and every freshly loaded control has a palette of its own: a form loaded and unloaded
// all day would leave one name per round in the pixmap cache, which emptying the cache does not
// forget. Equal colours now draw under one name, which the next round's control takes over.
class ComboBoxStyle : public QProxyStyle {
public:
    // One instance for every combo box, owned by the application object.
    static ComboBoxStyle* Instance();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

    // A palette with the colours of `palette` whose cache key all equal palettes share.
    QPalette SharedPalette(const QPalette& palette) const;

private:
    ComboBoxStyle() = default;

    mutable QList<QPalette> mPalettes;
};
