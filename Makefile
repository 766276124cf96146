# Front door: `make run` and `make test` install what is missing, build and go.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
BUILD_TSAN_AUDIO ?= build-tsan-audio
BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
CMAKE_GEN   = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build run test test-main test-asan test-tsan test-tsan-audio fuzz bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# `make run` builds only what it starts: the window, the command-line tool and
# the files they find beside them; `make test` builds everything.
run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target morvane morvane-cli
	@scripts/run.sh $(BUILD)

# Every test: the whole suite, then the Qt-free libraries again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the capture threads and
# the processing loop under ThreadSanitizer.
test: test-main test-asan test-tsan

test-main: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DMORVANE_GUI=OFF -DMORVANE_AUDIO=OFF -DMORVANE_CLI=OFF \
	  -DMORVANE_BENCH=OFF -DMORVANE_SANITIZE=address,undefined
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ctest --output-on-failure -j $(JOBS) -L 'core|threads'

test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) $(CMAKE_GEN) -DMORVANE_GUI=OFF -DMORVANE_CLI=OFF \
	  -DMORVANE_BENCH=OFF -DMORVANE_SANITIZE=thread
	cmake --build $(BUILD_TSAN) -j $(JOBS) --target morvane_capture_tests morvane_live_tests morvane_livetext_tests
	cd $(BUILD_TSAN) && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp" ctest --output-on-failure -j $(JOBS) -L threads

# The real sound path under ThreadSanitizer: morvane-cli captures through
# PortAudio from the private PulseAudio server of the audio test.
test-tsan-audio: deps
	cmake -S . -B $(BUILD_TSAN_AUDIO) $(CMAKE_GEN) -DMORVANE_GUI=OFF -DMORVANE_BENCH=OFF -DMORVANE_SANITIZE=thread
	cmake --build $(BUILD_TSAN_AUDIO) -j $(JOBS) --target morvane-cli morvane_live_text_check
	cd $(BUILD_TSAN_AUDIO) && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp" ctest --output-on-failure -L audio

# libFuzzer targets (clang, with AddressSanitizer and UndefinedBehaviorSanitizer),
# each run for FUZZ_SECONDS: `make fuzz FUZZ_SECONDS=600`. Installs clang and
# its libFuzzer runtime, which nothing else needs.
fuzz:
	@scripts/install-deps.sh fuzz
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DMORVANE_FUZZ=ON -DBUILD_TESTING=OFF \
	  -DMORVANE_GUI=OFF -DMORVANE_AUDIO=OFF -DMORVANE_BENCH=OFF -DMORVANE_SANITIZE=address,undefined,fuzzer-no-link
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target morvane_fuzzers
	scripts/run-fuzzers.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

bench: build
	$(BUILD)/bench/morvane_bench

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_TSAN_AUDIO) $(BUILD_FUZZ)
