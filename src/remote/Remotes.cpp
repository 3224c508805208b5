#include "remote/Remotes.h"

#include "app/Console.h"

namespace kalvetro {

Remotes::Remotes(Console& console) : QObject(&console), console_(console), control_(console) {}

Remotes::~Remotes() = default;

}  // namespace kalvetro
