// Object model of the component library: TObject, TPersistent (Assign/AssignTo), TComponent
// (Name, Owner), the notify callback and the platform's general exception classes.
#pragma once

#include <QString>
#include <functional>
#include <stdexcept>

class TObject {
  public:
    virtual ~TObject() = default;
    // Class name without namespaces, as used in the platform's messages.
    QString ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Fires a callback only when one is assigned.
template <typename Event, typename... Args> inline void FireEvent(const Event& e, Args&&... args)
{
    if (e) e(std::forward<Args>(args)...);
}

// The platform's general exception class: a message and nothing else.
class Exception : public std::runtime_error {
  public:
    explicit Exception(const QString& Message)
        : std::runtime_error(Message.toStdString()), FMessage(Message)
    {
    }
    const QString& Message() const { return FMessage; }

  private:
    QString FMessage;
};

class EConvertError : public Exception {
    using Exception::Exception;
};
// Raised by Assign/AssignTo between incompatible classes ("Cannot assign a X to a Y").
class EAssignError : public EConvertError {
    using EConvertError::EConvertError;
};
class EInOutError : public Exception {
  public:
    EInOutError(const QString& Message, int ErrorCode = 0)
        : Exception(Message), ErrorCode(ErrorCode)
    {
    }
    int ErrorCode;
};

class TPersistent : public TObject {
  public:
    // Copies Source into this object; the default hands over to Source->AssignTo and fails with
    // EAssignError when neither side knows the other.
    virtual void Assign(TPersistent* Source);

  protected:
    virtual void AssignTo(TPersistent* Dest);
    friend class TPersistentAccess;
};

// The usual first step of AssignTo in a class T: a destination of T's kind copies through T's own
// Assign (qualified, so an override that falls back to AssignTo cannot loop). Returns false when
// Dest is of another kind, which the caller hands to its base class.
template <typename T> bool AssignToOwnKind(T* Self, TPersistent* Dest)
{
    auto* dest = dynamic_cast<T*>(Dest);
    if (dest) dest->T::Assign(Self);
    return dest != nullptr;
}

class TComponent : public TPersistent {
  public:
    explicit TComponent(TComponent* Owner = nullptr) : FOwner(Owner) {}
    const QString& Name() const { return FName; }
    void SetName(const QString& Value) { FName = Value; }
    TComponent* Owner() const { return FOwner; }
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }

  private:
    QString FName;
    TComponent* FOwner;
    int FTag = 0;
};

// Platform text alignment.
enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
