#pragma once

#include "AdoConstants.h"

#include <QByteArray>
#include <QString>

namespace Ado {

// A binary stream in memory that carries a picture from a field to a file.
class Stream {
public:
    int Type() const { return mType; }
    // Raises 3705 while open: the type is chosen before Open.
    void SetType(int type);

    ObjectStateEnum State() const { return mOpen ? adStateOpen : adStateClosed; }

    // Opens an empty stream (no source). Raises 3705 when already open.
    void Open();
    // Appends bytes. Raises 3704 when closed, 3001 on a text stream.
    void Write(const QByteArray& buffer);
    // Writes the whole stream to a file ("\" read as the folder separator). With
    // adSaveCreateNotExist an existing file raises 3004; with adSaveCreateOverWrite it is replaced.
    // The file is replaced whole or not at all.
    void SaveToFile(const QString& fileName, int options = adSaveCreateNotExist);
    // Closing drops the contents. Raises 3704 when closed.
    void Close();

    long Size() const { return mData.size(); }

private:
    int mType = adTypeBinary;
    bool mOpen = false;
    QByteArray mData;
};

} // namespace Ado
