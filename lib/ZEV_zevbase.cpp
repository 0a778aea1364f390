#include "ZEV_zevbase.h"

QString NotEnoughMemoryMessage(const QString& ComponentName)
{
    return QStringLiteral("Component \"%1\": not enough memory on heap").arg(ComponentName);
}
