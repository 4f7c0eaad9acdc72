// Compiled as a file of one layer, including one header of another
// (TAVLO_PROBE_HEADER); see CMakeLists.txt here.
#include TAVLO_PROBE_HEADER
