#include "Classes.h"

#include <cxxabi.h>
#include <memory>
#include <typeinfo>

QString TObject::ClassName() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    QString result = QString::fromLatin1(status == 0 && name ? name.get() : mangled);
    const int colon = result.lastIndexOf(QLatin1String("::"));
    return colon >= 0 ? result.mid(colon + 2) : result;
}

// Gives TPersistent::Assign access to the protected AssignTo of another object.
class TPersistentAccess {
  public:
    static void AssignTo(TPersistent* Source, TPersistent* Dest) { Source->AssignTo(Dest); }
};

void TPersistent::Assign(TPersistent* Source)
{
    if (Source) {
        TPersistentAccess::AssignTo(Source, this);
        return;
    }
    throw EAssignError(QStringLiteral("Cannot assign a nil to a %1").arg(ClassName()));
}

void TPersistent::AssignTo(TPersistent* Dest)
{
    throw EAssignError(QStringLiteral("Cannot assign a %1 to a %2")
                           .arg(ClassName(), Dest ? Dest->ClassName() : QStringLiteral("nil")));
}
