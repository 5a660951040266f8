#include <iostream>

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    std::cout << "quorvane " QUORVANE_VERSION "\n";
    return 0;
}
