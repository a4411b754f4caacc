// korvo-cli: placeholder entry until the command set lands.
#include <cstdio>
int main() {
    std::puts("korvo-cli " KORVO_VERSION);
    return 0;
}
