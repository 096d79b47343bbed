#pragma once

#include <QStringList>

#include "message_list.h"

// Everything the message list holds, first line first.
inline QStringList Lines(const qor::MessageList& list) {
    QStringList lines;
    for (int row = 0; row < list.Count(); ++row) lines << list.Line(row);
    return lines;
}
