vexal_add_bench(round_bench round_bench.cpp)
