/* Reference master for tools/bench-modbus: Debian's libmodbus, built natively for Linux.
 * Usage: libmodbus_bench tcp|tcpshared PORT COUNT, or libmodbus_bench rtu PATH COUNT.
 * tcpshared connects for every exchange, as our shared TCP link does. */
#include <errno.h>
#include <modbus.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now_us(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

static int compare(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return (x > y) - (x < y);
}

/* One exchange; -1 on failure. */
static int exchange(modbus_t *ctx, int reconnect, int registers, int i)
{
    uint16_t words[125];
    int rc;
    if (reconnect && modbus_connect(ctx) != 0)
        return -1;
    if (registers > 0)
        rc = modbus_read_registers(ctx, 0, registers, words);
    else
        rc = modbus_write_register(ctx, 200, i & 0xFFFF);
    if (reconnect)
        modbus_close(ctx);
    return rc < 0 ? -1 : 0;
}

int main(int argc, char **argv)
{
    static const int sizes[] = {1, 10, 125, 0};
    static const char *names[] = {"read1", "read10", "read125", "write"};
    const char *transport;
    modbus_t *ctx;
    int count, reconnect, op;
    double *times;

    if (argc != 4) {
        fprintf(stderr, "usage: libmodbus_bench tcp|tcpshared|rtu PORT|PATH COUNT\n");
        return 2;
    }
    transport = argv[1];
    count = atoi(argv[3]);
    if (count < 1)
        return 2;
    reconnect = strcmp(transport, "tcpshared") == 0;
    if (strcmp(transport, "rtu") == 0)
        ctx = modbus_new_rtu(argv[2], 9600, 'N', 8, 1);
    else
        ctx = modbus_new_tcp("127.0.0.1", atoi(argv[2]));
    if (ctx == NULL)
        return 1;
    modbus_set_slave(ctx, 1);
    modbus_set_response_timeout(ctx, 1, 0);
    if (!reconnect && modbus_connect(ctx) != 0) {
        fprintf(stderr, "libmodbus_bench: %s\n", modbus_strerror(errno));
        return 1;
    }
    if (strcmp(transport, "rtu") == 0)
        modbus_flush(ctx);

    times = malloc(sizeof(double) * (size_t)count);
    for (op = 0; op < 4; ++op) {
        int i, errors = 0;
        double start = now_us(), total;
        for (i = 0; i < count; ++i) {
            double t0 = now_us();
            if (exchange(ctx, reconnect, sizes[op], i) != 0)
                ++errors;
            times[i] = now_us() - t0;
        }
        total = (now_us() - start) / 1e6;
        qsort(times, (size_t)count, sizeof(double), compare);
        printf("RESULT libmodbus %s %s %d %d %.1f %.1f %.1f\n", transport, names[op], count, errors,
               times[count / 2], times[count * 99 / 100 < count ? count * 99 / 100 : count - 1],
               count / total);
        fflush(stdout);
    }
    free(times);
    if (!reconnect)
        modbus_close(ctx);
    modbus_free(ctx);
    return 0;
}
