// File names as the system spells them: bytes, usually but not always UTF-8. Qt decodes a name
// that is not valid UTF-8 with replacement characters, after which it no longer opens; here each
// byte outside a valid sequence is kept as the lone surrogate U+DC80 + byte, so that every name
// the system accepts survives the trip through QString and back.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

QString FileNameFromBytes(QByteArrayView Bytes);
QByteArray FileNameToBytes(const QString& Name);

// Opens a file by the bytes of its name, read-only; -1 with errno set on failure.
int OpenFileForReading(const QString& Name);
