# The two commands of the README, and the benchmarks.
JOBS ?= $(shell nproc)
XVFB := xvfb-run -a -s "-screen 0 1024x768x24"

.PHONY: run test setup native win32 win64 asan package package-windows bench clean windows-tests-32 windows-tests-64

# The Windows tests run as 32-bit programs under 32-bit Wine where this machine runs 32-bit code,
# else as a 64-bit build under 64-bit Wine (scripts/windows-route.sh). WINDOWS_TESTS=64 forces
# the 64-bit route; the shipped corelens.exe is the 32-bit build on both.
WINDOWS_TESTS ?=
export WINDOWS_TESTS

# corelens alone (preset cli: no tests, no Qt, no GoogleTest needed), then its report.
run:
	@echo "Building corelens in build/cli ..."
	@cmake --preset cli >/dev/null
	@cmake --build --preset cli -j $(JOBS) -- --no-print-directory
	@./build/cli/app/corelens

setup:
	bash scripts/setup.sh

native:
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

win32:
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)

win64:
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j $(JOBS)

asan:
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)

# corelens_1.13f_*.deb and corelens-gui_1.13f_*.deb in build/native, from the packaged programs
# alone (no Windows toolchain, no tests); corelens-1.13f-win32.zip in build/win32.
package:
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS) --target packaged
	cd build/native && cpack

package-windows: win32
	cd build/win32 && cpack

test: setup
	$(MAKE) native win32 asan
	ctest --preset native -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j $(JOBS)
	bash tools/check-floors.sh build/win32/app/corelens.exe
	route=$$(bash scripts/windows-route.sh) && $(MAKE) windows-tests-$$route
	$(MAKE) package package-windows
	bash tests/install_test.sh build/native build/win32
	$(MAKE) fuzz-smoke

windows-tests-32:
	$(XVFB) ctest --preset win32
	bash tests/e2e/same_record_test.sh build/native/app/corelens build/win32/app/corelens.exe tools/wine-run.sh

windows-tests-64: win64
	$(XVFB) ctest --preset win64
	bash tests/e2e/same_record_test.sh build/native/app/corelens build/win64/app/corelens.exe tools/wine-run.sh

# Fuzzing with clang and libFuzzer in build/fuzz: each target FUZZ_SECONDS long, in turn.
FUZZ_SECONDS ?= 300
.PHONY: fuzz fuzz-smoke

fuzz:
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash fuzz/run.sh

fuzz-smoke:
	FUZZ_SECONDS=30 bash fuzz/run.sh

# corelens-gui's figures are taken on an X server: Xvfb, through Qt's xcb platform.
bench: native win32
	@for b in build/native/bench/bench_*; do \
	    echo "== $$b"; \
	    case $$b in *bench_gui) QT_QPA_PLATFORM=xcb $(XVFB) $$b ;; *) $$b ;; esac || exit 1; \
	done

clean:
	rm -rf build
