# Thin front door over CMake presets; see README.md.
.PHONY: run test asan-test release bench deps format clean

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

release: deps
	cmake --preset release >/dev/null
	cmake --build --preset release

bench: release
	./scripts/install-deps.sh --bench
	./build/release/bin/tabrivel-convert-bench
	./build/release/bin/tabrivel-load-bench

format:
	find app engine fs inputs results tests bench samples fuzz \( -name "*.cpp" -o -name "*.h" \) -print0 | xargs -0 clang-format -i

clean:
	rm -rf build
