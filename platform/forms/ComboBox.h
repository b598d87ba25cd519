#pragma once

#include "IntrinsicControl.h"

#include <QStringList>

class QComboBox;

// A combo box; Style 2 is the drop-down list the forms use (0 and 1 allow typing). Click is
// raised whenever ListIndex changes, by the user or by code. AddItem never selects.
class ComboBox : public IntrinsicControl {
public:
    // The window colours (&H80000005 and &H80000008), not the button face of the other controls.
    ComboBox() : IntrinsicControl(static_cast<int>(0x80000005), static_cast<int>(0x80000008)) {}

    QString TypeName() const override { return QStringLiteral("ComboBox"); }

    // index -1 appends; 0-based.
    void AddItem(const QString& item, int index = -1);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const { return static_cast<int>(mItems.size()); }
    // 0-based; "" for an index out of range.
    QString List(int index) const;
    void SetList(int index, const QString& item);
    // -1 when nothing is selected.
    int ListIndex() const noexcept { return mListIndex; }
    // Error 380 for an index outside -1 .. ListCount - 1.
    void SetListIndex(int index);
    // The selected item's text (Style 2), or the typed text.
    QString Text() const;
    void SetText(const QString& text);
    long ItemData(int index) const;
    void SetItemData(int index, long data);
    int Style() const noexcept { return mStyle; }

    bool SetDesignProperty(const QString& name, const QVariant& value) override;
    void CopyPropertiesFrom(const ::Control& source) override;
    bool ClickOnRelease() const override { return false; }

protected:
    QWidget* CreateWidget(QWidget* parentWindow) override;
    void ApplyToWidget() override;

private:
    QComboBox* Box() const;
    void Select(int index, bool raise);

    QStringList mItems;
    std::vector<long> mItemData;
    int mListIndex = -1;
    int mStyle = 0;
    QString mText;
    bool mSyncing = false;
};
