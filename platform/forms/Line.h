#pragma once

#include "Control.h"

// A line from (X1, Y1) to (X2, Y2), twips in its container. It takes no input: the pointer
// reaches whatever lies beneath.
class Line : public ::Control {
public:
    QString TypeName() const override { return QStringLiteral("Line"); }
    bool CanTakeFocus() const override { return false; }

    int X1() const noexcept { return mX1; }
    int Y1() const noexcept { return mY1; }
    int X2() const noexcept { return mX2; }
    int Y2() const noexcept { return mY2; }
    void SetX1(int twips);
    void SetY1(int twips);
    void SetX2(int twips);
    void SetY2(int twips);
    int BorderColor() const noexcept { return mBorderColor; }
    void SetBorderColor(int oleColor);
    // Pixels.
    int BorderWidth() const noexcept { return mBorderWidth; }
    void SetBorderWidth(int pixels);
    // 1 solid, 2 dash, 3 dot, 4 dash-dot, 5 dash-dot-dot.
    int BorderStyle() const noexcept { return mBorderStyle; }
    void SetBorderStyle(int style);

    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void CopyPropertiesFrom(const ::Control& source) override;

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;

private:
    void UpdateBounds();

    int mX1 = 0;
    int mY1 = 0;
    int mX2 = 0;
    int mY2 = 0;
    int mBorderColor = static_cast<int>(0x80000008);
    int mBorderWidth = 1;
    int mBorderStyle = 1;
};
