#pragma once

namespace tessaly::shell {

struct AppContext;

// Finds the card file the preferences name and checks that it is ours. When
// it is missing or foreign, offers to create an empty one in the user's data
// folder. True with the context's DataDir, DataFile, the store and its NoOfRecords set;
// false when the user declined (or the new file could not be made) and the
// program must end.
bool OpenDataFile(AppContext& context);

}  // namespace tessaly::shell
