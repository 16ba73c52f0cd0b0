// trelvox-recover: repairs recordings of the Pelkor AVI Mux that were never stopped.
#include <iostream>
#include <string>
#include <vector>

#include "RecoverCommand.h"
#ifdef _WIN32
#include "Utf8Path.h"
#include "Win32FileSystem.h"
#else
#include "PosixFileSystem.h"
#endif

#ifdef _WIN32
// The arguments in UTF-16, so that no name is narrowed to the ANSI code page.
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::string arg;
        if (trelvox::Failed(trelvox::Utf8FromWide(argv[i], &arg))) {
            std::cerr << "trelvox-recover: argument " << i << " is not a valid name\n";
            return trelvox::recover::kExitUsage;
        }
        args.push_back(arg);
    }
    trelvox::Win32FileSystem fs;
    return trelvox::recover::RunRecover(args, fs, std::cout, std::cerr);
}
#else
int main(int argc, char** argv)
{
    trelvox::PosixFileSystem fs;
    const std::vector<std::string> args(argv + 1, argv + argc);
    return trelvox::recover::RunRecover(args, fs, std::cout, std::cerr);
}
#endif
