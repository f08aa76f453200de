.PHONY: all bootstrap build test run bench clean

all: build

bootstrap:
	@scripts/bootstrap.sh

build: bootstrap
	@scripts/build.sh win

test: bootstrap
	@scripts/test.sh

run: bootstrap
	@scripts/build.sh --target tresorix win
	@scripts/run.sh

bench: bootstrap
	@scripts/build.sh win
	@bench/run.sh

clean:
	rm -rf build
