// trelvox-recover: repairs recordings of the Pelkor AVI Mux that were never stopped.
#include <iostream>
#include <string>
#include <vector>

#include "RecoverCommand.h"
#ifdef _WIN32
#include "Win32FileSystem.h"
#else
#include "PosixFileSystem.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  trelvox::Win32FileSystem fs;
#else
  trelvox::PosixFileSystem fs;
#endif
  const std::vector<std::string> args(argv + 1, argv + argc);
  return trelvox::recover::RunRecover(args, fs, std::cout, std::cerr);
}
