#include <cstdio>

int main() {
  std::puts("ostrelctl");
  return 0;
}
