#pragma once
// A button or menu item that starts a procedure through its slot. The command carries the
// procedure's name (property "procedure"), so that a test can find every command that starts a
// procedure and check that its module has filled the slot or that it is one that comes later.
#include <QAbstractButton>
#include <QAction>
#include <functional>

#include "data/slots.h"

namespace tavlo {

inline constexpr const char* kProcedureProperty = "procedure";

inline void namesProcedure(QObject* command, const SlotBase& slot)
{
    command->setProperty(kProcedureProperty, QString::fromLatin1(slot.name()));
}

inline void startsProcedure(QAction* command, const SlotBase& slot, std::function<void()> run)
{
    namesProcedure(command, slot);
    QObject::connect(command, &QAction::triggered, command, std::move(run));
}

inline void startsProcedure(QAbstractButton* command, const SlotBase& slot,
                            std::function<void()> run)
{
    namesProcedure(command, slot);
    QObject::connect(command, &QAbstractButton::clicked, command, std::move(run));
}

} // namespace tavlo
