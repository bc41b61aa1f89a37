vexal_add_bench(rules_bench rules_bench.cpp)
