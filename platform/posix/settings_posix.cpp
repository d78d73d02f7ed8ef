// Native build: no registry, so the platform store is an in-memory one for the process.
#include "platform/memory_settings_store.h"

namespace vantrel {

ISettingsStore& SystemSettingsStore() {
  static MemorySettingsStore store;
  return store;
}

}  // namespace vantrel
