// The program's entry point. Until the game shell exists it reports what of
// the start-up it could do, so that `make run` says plainly what happened.
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  std::string base = ".";
  for (int i = 1; i < argc; ++i) {
    if ((argv[i][0] == '/' || argv[i][0] == '-') && (argv[i][1] == 'L' || argv[i][1] == 'l')) base = argv[i] + 2;
  }
  std::printf("orrivel: game folder %s\n", base.c_str());
  std::printf("orrivel: the start-up steps are not built yet; nothing to play.\n");
  return 0;
}
