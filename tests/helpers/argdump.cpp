// Writes its arguments, one a line, to the file named by its first argument.
#include <fstream>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::ofstream out(std::string(argv[1]) + ".tmp");
  for (int i = 2; i < argc; ++i) out << argv[i] << "\n";
  out.close();
  return std::rename((std::string(argv[1]) + ".tmp").c_str(), argv[1]) == 0 ? 0 : 1;
}
