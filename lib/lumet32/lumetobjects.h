// Library-wide count of live objects and locks, for DllCanUnloadNow.
#ifndef LUMETOBJECTS_H
#define LUMETOBJECTS_H

namespace Lumet {
void objectCreated();
void objectDestroyed();
int liveObjects();
} // namespace Lumet

#endif // LUMETOBJECTS_H
