// Prints velmora-export's manual page: velmora-export-man VERSION
#include "export_tool/man_page.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: velmora-export-man VERSION\n";
        return 2;
    }
    std::cout << velmora::ExportManPage(argv[1]);
    return std::cout.flush() ? 0 : 1;
}
