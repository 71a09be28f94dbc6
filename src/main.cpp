#include <cstdio>
int main() { std::puts("Pelloro"); return 0; }
