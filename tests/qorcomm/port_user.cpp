// Another process using the library, for the tests that need two: reads one
// command a line from stdin and answers each with one line on stdout.
//   open PATH   ->  the result of CROpenCom(PATH, 9600)
//   read        ->  the result of CRReadCardSN(card type 0, code type 1),
//                   then the number when it is QOR_OK
//   close       ->  the result of CRCloseCom()
// At the end of stdin it exits without closing, as a program that forgets
// to would. With --controlling-terminal TTY it first starts a session of
// its own with TTY as its controlling terminal.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "qorcomm.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--controlling-terminal") {
        const int tty = ::open(argv[2], O_RDWR);
        if (::setsid() < 0 || tty < 0 || ::ioctl(tty, TIOCSCTTY, 0) != 0) {
            std::perror("port_user: cannot take the controlling terminal");
            return 1;
        }
        ::close(tty);
    }
    std::string command;
    while (std::cin >> command) {
        if (command == "open") {
            std::string path;
            std::cin >> path;
            std::cout << CROpenCom(path.c_str(), 9600) << std::endl;
        } else if (command == "read") {
            unsigned char sn[11] = {};
            const int32_t code = CRReadCardSN(nullptr, sn, 0, 1);
            std::cout << code << ' ' << (code == QOR_OK ? reinterpret_cast<char*>(sn) : "-")
                      << std::endl;
        } else if (command == "close") {
            std::cout << CRCloseCom() << std::endl;
        } else {
            std::cerr << "port_user: unknown command " << command << '\n';
            return 2;
        }
    }
    return 0;
}
