// Placeholder until the service host is built: it does nothing and says so.
#include <cstdio>

int main() {
  std::fputs("VantrelService: not built yet.\n", stdout);
  return 1;
}
