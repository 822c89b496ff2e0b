# Thin front door over CMake presets; see README.md.
.PHONY: run test asan-test clang-build check release bench deps format clean

deps:
	@./scripts/install-deps.sh

run: deps
	cmake --preset release >/dev/null
	cmake --build --preset release
	./build/release/bin/tabrivel

test: deps
	cmake --preset dev >/dev/null
	cmake --build --preset dev
	ctest --preset dev

asan-test: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

# Everything built with clang too, so that neither compiler's dialect creeps in.
clang-build: deps
	cmake --preset clang >/dev/null
	cmake --build --preset clang

# Formatting and clang-tidy, over the program's own code.
check: deps
	./scripts/check-source.sh

release: deps
	cmake --preset release >/dev/null
	cmake --build --preset release

bench: release
	./scripts/install-deps.sh --bench
	./build/release/bin/tabrivel-convert-bench
	./build/release/bin/tabrivel-load-bench

format:
	find app companion engine fs inputs results shell tests bench samples fuzz 2>/dev/null \( -name "*.cpp" -o -name "*.h" \) -print0 | xargs -0 clang-format -i

clean:
	rm -rf build
